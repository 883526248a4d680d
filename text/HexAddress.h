#pragma once

#include <QString>
#include <QStringView>
#include <QtGlobal>
#include <optional>

// Byte addresses as Hexmoth writes them and as a user types them.

// Uppercase hexadecimal, at least 8 digits: 0001A2F0.
QString formatAddress(qint64 address);

// What a typed address comes to: the address, or why there is none.
struct AddressEntry
{
    std::optional<qint64> address;
    QString error; // in Japanese; empty with an address
};

// Reads `input` as a hexadecimal address in a text of `size` bytes:
// "1A2F0", "0x1A2F0", lower case, full-width digits, spaces around. The
// size itself, the text's end, is an address; beyond it, an empty or
// non-hex entry and anything past 2^63 - 1 give an error. Pure, and
// bounded by the input's length.
AddressEntry parseAddress(QStringView input, qint64 size);
