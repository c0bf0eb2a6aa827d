#pragma once
// Text crosses into Qt here: the program's strings are UTF-8, Qt's are UTF-16.
#include <QString>

#include <string>
#include <string_view>

namespace zem::gui {

inline QString ToQ(std::string_view utf8)
{
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

inline std::string FromQ(const QString& text)
{
    return text.toStdString();
}

}  // namespace zem::gui
