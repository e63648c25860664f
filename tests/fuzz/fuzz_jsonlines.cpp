// SPDX-License-Identifier: MIT
// Any name, as JSON: the line parses, and undoing the marking of bytes that are not UTF-8 gives
// back the name, byte for byte.
#include "tidyup/report/jsonlines.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <cstdlib>

namespace
{

// \xHH is the byte HH, \\ a backslash.
QByteArray unmarked(const QByteArray &text)
{
    QByteArray bytes;
    for (int i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            bytes += text[i];
        } else if (text.mid(i + 1, 1) == "\\") {
            bytes += '\\';
            ++i;
        } else if (text.mid(i + 1, 1) == "x" && i + 3 < text.size()) {
            bytes += char(text.mid(i + 2, 2).toInt(nullptr, 16));
            i += 3;
        } else {
            std::abort();
        }
    }
    return bytes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray name(reinterpret_cast<const char *>(data), int(size));
    const QByteArray line = JsonLines::failure({ TidyUp::Failure::Move, name, Reason(EEXIST) });
    QJsonParseError error;
    const QJsonObject object = QJsonDocument::fromJson(line, &error).object();
    if (error.error != QJsonParseError::NoError || line.contains('\n')
        || unmarked(object.value(QStringLiteral("entry")).toString().toUtf8()) != name)
        std::abort();
    return 0;
}
