#pragma once

#include <QByteArrayView>

namespace Zuvi::Data {

/// A spreadsheet that opens a CSV file runs a field as a formula when it begins with =, +,
/// -, @, a tab or a carriage return. Zuvi writes such a field with one apostrophe before it
/// (the spreadsheets' own sign for "text as typed"), and reads one apostrophe off again, so
/// that its own files come back exactly:
/// - writing, a field that begins with any number of apostrophes and then one of those
///   characters gains one apostrophe ("=1+1" is written "'=1+1", "'=x" is written "''=x");
/// - reading, a field of that form that begins with an apostrophe loses one ("'=1+1" is
///   read "=1+1"); any other field is read as it stands ("'hello" stays "'hello").

/// True where the field, after its leading apostrophes, begins with a formula's sign.
inline bool looksLikeFormula(QByteArrayView utf8)
{
    qsizetype i = 0;
    while (i < utf8.size() && utf8[i] == '\'')
        ++i;
    if (i == utf8.size())
        return false;
    switch (utf8[i]) {
    case '=':
    case '+':
    case '-':
    case '@':
    case '\t':
    case '\r':
        return true;
    default:
        return false;
    }
}

/// True where a field read from a file carries the apostrophe Zuvi writes before a
/// formula's sign: the reader drops that one apostrophe.
inline bool hasFormulaGuard(QByteArrayView utf8)
{
    return !utf8.isEmpty() && utf8[0] == '\'' && looksLikeFormula(utf8);
}

} // namespace Zuvi::Data
