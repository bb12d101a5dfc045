#include "engine/SendText.h"

#include "engine/Cp1252.h"

namespace morse {

QString sendText(const QString &typed)
{
    return cp1252::upper(typed) + u' ';
}

} // namespace morse
