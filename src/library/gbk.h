#pragma once
// Code page 936 (GBK) text, the byte form of titles and passwords in library files.

#include <QString>

#include <cstddef>
#include <string>

namespace velka {

// Characters GBK cannot hold become '?'.
std::string ToGBK(const QString& Text);
QString FromGBK(const std::string& Bytes);
// The longest start of GBK Bytes that has at most MaxBytes bytes and does not cut a double-byte
// character in half.
std::string TruncateGBK(const std::string& Bytes, size_t MaxBytes);

}  // namespace velka
