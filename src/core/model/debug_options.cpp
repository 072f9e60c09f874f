// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/debug_options.h"

#include "text/numeric_prefix.h"

namespace zkn {

int DebugOptions::healthCheckInterval() const
{
    return qMin(text::leadingNumber(m_intervalText.toLatin1()), kMaxInterval);
}

namespace {

template <typename T> bool assign(T& member, T value)
{
    if (member == value)
        return false;
    member = value;
    return true;
}

} // namespace

void DebugOptions::setDetail(bool on)
{
    if (assign(m_detail, on))
        Q_EMIT changed();
}

void DebugOptions::setHexView(bool on)
{
    if (!assign(m_hexView, on))
        return;
    Q_EMIT hexViewChanged(on);
    Q_EMIT changed();
}

void DebugOptions::setToggleParity(bool on)
{
    if (assign(m_toggleParity, on))
        Q_EMIT changed();
}

void DebugOptions::setStopHealth(bool on)
{
    if (assign(m_stopHealth, on))
        Q_EMIT changed();
}

void DebugOptions::setIgnoreParity(bool on)
{
    if (assign(m_ignoreParity, on))
        Q_EMIT changed();
}

void DebugOptions::setForcedAnswer(ForcedAnswer answer)
{
    if (assign(m_forcedAnswer, answer))
        Q_EMIT changed();
}

void DebugOptions::setHealthCheckIntervalText(const QString& text)
{
    if (assign(m_intervalText, text))
        Q_EMIT changed();
}

} // namespace zkn
