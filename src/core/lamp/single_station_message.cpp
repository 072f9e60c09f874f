// SPDX-License-Identifier: GPL-3.0-or-later
#include "lamp/single_station_message.h"

#include "lamp/lamp_form.h"
#include "lamp/lamp_message.h"
#include "lamp/station_area.h"

namespace zkn::lamp {

std::optional<QByteArray> singleStationMessage(ConnectionType type, LampFunction function,
                                               const QByteArray& from, const QByteArray& to, bool expansion)
{
    if (singleStationForm(type) == LampForm::FixedField) {
        const std::optional<QByteArray> area = twoStationArea(from, to, expansion);
        if (!area)
            return std::nullopt;
        return fixedFieldMessage(function, *area);
    }
    return taggedMessage(function, from, to == " " ? QByteArray() : to);
}

} // namespace zkn::lamp
