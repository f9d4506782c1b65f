#include "model/square.h"

namespace vexil {

QString Square::name() const
{
    if (!isValid())
        return {};
    return QString(QChar(u'a' + column)) + QChar(u'8' - row);
}

std::optional<Square> Square::parse(QStringView text)
{
    if (text.size() != 2 || text[0] < u'a' || text[0] > u'h' || text[1] < u'1' || text[1] > u'8')
        return std::nullopt;
    return Square{u'8' - text[1].unicode(), text[0].unicode() - u'a'};
}

} // namespace vexil
