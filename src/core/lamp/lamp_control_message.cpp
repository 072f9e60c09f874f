// SPDX-License-Identifier: GPL-3.0-or-later
#include "lamp/lamp_control_message.h"

#include "lamp/lamp_form.h"
#include "lamp/lamp_message.h"
#include "lamp/station_area.h"

namespace zkn::lamp {

QByteArray lampControlMessage(qint32 station, LampFunction function, bool kraSelected, bool expansion)
{
    if (lampControlForm(kraSelected) == LampForm::FixedField)
        return fixedFieldMessage(function, oneStationArea(station, expansion));
    return taggedMessage(function, QByteArray::number(station), {});
}

} // namespace zkn::lamp
