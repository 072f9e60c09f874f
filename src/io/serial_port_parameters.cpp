// SPDX-License-Identifier: GPL-3.0-or-later
#include "serial_port_parameters.h"

namespace zkn {

namespace {

QSerialPort::Parity parityFor(char letter)
{
    switch (letter) {
    case 'e':
        return QSerialPort::EvenParity;
    case 'o':
        return QSerialPort::OddParity;
    case 'm':
        return QSerialPort::MarkParity;
    case 's':
        return QSerialPort::SpaceParity;
    default:
        return QSerialPort::NoParity;
    }
}

QSerialPort::StopBits stopBitsFor(const QString& text)
{
    if (text == QLatin1String("2"))
        return QSerialPort::TwoStop;
    if (text == QLatin1String("1.5"))
        return QSerialPort::OneAndHalfStop;
    return QSerialPort::OneStop;
}

} // namespace

bool applyLineParameters(QSerialPort& port, const settings::LineParameters& parameters,
                         QSerialPort::FlowControl flow)
{
    return port.setBaudRate(parameters.speed) &&
           port.setDataBits(static_cast<QSerialPort::DataBits>(parameters.dataBits)) &&
           port.setParity(parityFor(parameters.parity)) &&
           port.setStopBits(stopBitsFor(parameters.stopBits)) && port.setFlowControl(flow);
}

} // namespace zkn
