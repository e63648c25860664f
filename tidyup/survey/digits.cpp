// SPDX-License-Identifier: MIT
#include "tidyup/survey/digits.h"

#include <algorithm>
#include <cstring>
#include <limits>

QByteArray Digits::bare(const char *digits, qsizetype size)
{
    qsizetype zeros = 0;
    while (zeros + 1 < size && digits[zeros] == '0')
        ++zeros;
    return QByteArray(digits + zeros, size - zeros);
}

int Digits::compare(const QByteArray &a, const QByteArray &b)
{
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    return std::memcmp(a.constData(), b.constData(), size_t(a.size()));
}

QByteArray Digits::next(const QByteArray &number)
{
    return plus(number, 1);
}

QByteArray Digits::previous(const QByteArray &number)
{
    QByteArray result = number;
    char *const digits = result.data();
    qsizetype i = result.size() - 1;
    for (; i >= 0 && digits[i] == '0'; --i)
        digits[i] = '9';
    if (i >= 0)
        digits[i] = char(digits[i] - 1);
    return result.size() > 1 && digits[0] == '0' ? result.mid(1) : result;
}

QByteArray Digits::plus(const QByteArray &number, quint64 add)
{
    QByteArray result = number;
    char *const digits = result.data();
    unsigned carry = 0;
    for (qsizetype i = result.size() - 1; i >= 0 && (add > 0 || carry > 0); --i) {
        const unsigned sum = unsigned(digits[i] - '0') + unsigned(add % 10) + carry;
        add /= 10;
        digits[i] = char('0' + sum % 10);
        carry = sum / 10;
    }
    // What is left goes in front: the sum is longer than the number.
    QByteArray front;
    for (quint64 rest = add + carry; rest > 0; rest /= 10)
        front.prepend(char('0' + rest % 10));
    return front.append(result);
}

quint64 Digits::distance(const QByteArray &from, const QByteArray &to)
{
    constexpr quint64 most = std::numeric_limits<quint64>::max();
    // Twenty digits or more may not fit; the difference is worked out digit by digit.
    QByteArray difference = to;
    char *const digits = difference.data();
    const char *const subtrahends = from.constData();
    int borrow = 0;
    for (qsizetype i = 0; i < difference.size(); ++i) {
        const qsizetype at = difference.size() - 1 - i;
        const int subtrahend = i < from.size() ? subtrahends[from.size() - 1 - i] - '0' : 0;
        const int digit = digits[at] - '0' - subtrahend - borrow;
        borrow = digit < 0;
        digits[at] = char('0' + (digit + 10) % 10);
    }
    quint64 result = 0;
    for (const char digit : static_cast<const QByteArray &>(difference)) {
        const unsigned value = unsigned(digit - '0');
        if (result > (most - value) / 10)
            return most;
        result = result * 10 + value;
    }
    return result;
}

QByteArray Digits::padded(const QByteArray &number, int width)
{
    return number.size() >= width ? number : QByteArray(width - number.size(), '0').append(number);
}
