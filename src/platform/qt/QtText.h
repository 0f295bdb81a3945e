// UTF-8 and record bytes as Qt strings: the conversions of the editor and every label, and
// tooltip text kept from being read as markup.
#pragma once

#include <QString>
#include <string>
#include <string_view>
#include <vector>

QString ToQString(const std::string& utf8);
std::string ToUtf8(const QString& text);
std::u16string_view View(const QString& text);
QString FromView(std::u16string_view text);
// Tooltips guess rich text and have no format of their own to set: text the toolkit would take
// for markup comes back escaped, so that it shows as written, blanks and line breaks too.
QString EscapeTipText(const QString& text);
