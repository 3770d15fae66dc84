#pragma once
// Code page 936 (GBK) text, the byte form of titles and passwords in library files.

#include <QString>

#include <string>

namespace velka {

// Characters GBK cannot hold become '?'.
std::string ToGBK(const QString& Text);
QString FromGBK(const std::string& Bytes);

}  // namespace velka
