// SPDX-License-Identifier: GPL-3.0-or-later
#include "lamp/lamp_form.h"

namespace zkn::lamp {

LampForm lampControlForm(bool kraSelected)
{
    return kraSelected ? LampForm::Tagged : LampForm::FixedField;
}

LampForm singleStationForm(ConnectionType type)
{
    return type == ConnectionType::Serial ? LampForm::FixedField : LampForm::Tagged;
}

} // namespace zkn::lamp
