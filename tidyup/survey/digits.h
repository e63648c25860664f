// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QtGlobal>

// Arithmetic on whole numbers written in decimal digits, of any length: a projection number is
// whatever a name says, and one stray name must not wrap a count around. The numbers taken and
// given are bare: digits only, without leading zeros, "0" for zero.
class Digits
{
public:
    // The bare number of a field of digits.
    static QByteArray bare(const char *digits, qsizetype size);
    // Below zero, zero or above zero as a is less than, equal to or greater than b.
    static int compare(const QByteArray &a, const QByteArray &b);
    static QByteArray next(const QByteArray &number);
    // number − 1; number is above zero.
    static QByteArray previous(const QByteArray &number);
    static QByteArray plus(const QByteArray &number, quint64 add);
    // to − from, at most the largest count there is; from is not above to.
    static quint64 distance(const QByteArray &from, const QByteArray &to);
    // With leading zeros up to width digits.
    static QByteArray padded(const QByteArray &number, int width);
};
