// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/link_context.h"

#include "display/terminal_line.h"
#include "link/clock.h"
#include "model/connection_options.h"

namespace zkn::link {

namespace {
using Out = LinkOutput::Type;

Out lampOutput(Timer lamp)
{
    return lamp == Timer::TxLamp ? Out::TxLamp : Out::RxLamp;
}
} // namespace

qint64 LinkContext::now() const
{
    return m_clock.nowUs();
}

QDateTime LinkContext::wallClock() const
{
    return m_clock.wallClock();
}

QString LinkContext::timeStamp() const
{
    return wallClock().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}

ConnectionType LinkContext::linkType() const
{
    return m_connection.connectionType();
}

Parity LinkContext::parity() const
{
    return parityFromText(m_connection.lanParity());
}

QByteArray LinkContext::device() const
{
    return m_connection.deviceNumber().toLatin1();
}

std::optional<LinkOutput> LinkContext::poll()
{
    if (m_outputs.empty())
        return std::nullopt;
    LinkOutput output = std::move(m_outputs.front());
    m_outputs.pop_front();
    return output;
}

void LinkContext::out(LinkOutput output)
{
    m_outputs.push_back(std::move(output));
}

void LinkContext::out(LinkOutput::Type type, bool on)
{
    LinkOutput output{type};
    output.on = on;
    out(std::move(output));
}

void LinkContext::writeLine(const char* marker, const QByteArray& text)
{
    writeTerminal(display::terminalLine(marker, wallClock().time(), text));
}

void LinkContext::setPanelText(LinkOutput::PanelId panel, const QString& text)
{
    LinkOutput output{Out::Panel};
    output.panel = panel;
    output.text = text;
    out(std::move(output));
}

void LinkContext::fault(const QString& what)
{
    LinkOutput output{Out::Fault};
    output.text = what;
    out(std::move(output));
}

void LinkContext::tell(const Operator::Message& message)
{
    LinkOutput output{Out::Notice};
    output.notice = {m_hold.open(), message};
    out(std::move(output));
}

void LinkContext::tell(const QString& text, Operator::Icon icon)
{
    tell({text, icon, Operator::Buttons::Ok, {}});
}

void LinkContext::ask(LinkOutput request)
{
    request.ticket = m_hold.open();
    out(std::move(request));
}

void LinkContext::blink(Timer lamp)
{
    if (!m_timers.isActive(lamp))
        out(lampOutput(lamp), true);
    m_timers.restart(lamp, now());
}

void LinkContext::lampOut(Timer lamp)
{
    m_timers.stop(lamp);
    out(lampOutput(lamp), false);
}

} // namespace zkn::link
