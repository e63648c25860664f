// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>

// Why a move or a link failed: the system's error number where it gave one, and a text in
// English, as the debug channel writes it. A script reads the number, a person the text.
class Reason
{
public:
    Reason() = default;
    // The system's refusal, in the C library's words.
    explicit Reason(int error);
    // The program's own refusal; text is marked for translation in the context "Reason".
    explicit Reason(const char *text, int error = 0);
    // A text that is already in the user's language, such as the toolkit's.
    explicit Reason(const QString &text);

    int error() const { return number; }
    const QString &text() const { return words; }
    // The error's symbolic name, such as "EEXIST"; empty without one.
    QByteArray errorName() const;
    // The text in the user's language, where the catalogue has it.
    QString translated() const;
    // The same refusal, in the same words: what failures are grouped by.
    bool operator==(const Reason &other) const
    {
        return number == other.number && words == other.words;
    }
    // Adds a remark in parentheses to the text.
    void explain(const char *remark);

private:
    int number = 0;
    QString words;
};
