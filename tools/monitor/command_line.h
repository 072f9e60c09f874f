// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/parity.h"
#include "settings/serial_settings.h"

#include <QHostAddress>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <variant>

namespace zkn::monitortool {

// What zkn-monitor is asked to watch and how to show it.
struct MonitorOptions
{
    // The relay: where it listens, the PBX it passes connections to, who may connect.
    struct Relay
    {
        QHostAddress listenAddress = QHostAddress::AnyIPv4;
        quint16 listenPort = 60020;
        QString pbxHost;
        quint16 pbxPort = 60020;
        QList<QHostAddress> allowed;
    };
    std::optional<Relay> relay;
    // The serial tap: the port on the PBX's transmit wire, the one on the message centre's.
    struct Tap
    {
        QString pbxPort;
        QString mcPort;
        settings::LineParameters parameters;
    };
    std::optional<Tap> tap;
    QString readFile; // a capture taken elsewhere
    bool json = false;
    bool noHealth = false;
    bool quiet = false;
    int figuresEveryMinutes = 0; // 0: only at SIGUSR1 and the end
    QString lampsFile;
    // What is watched kept in a capture, cut every so many MB, so many files kept.
    QString captureFile;
    int rotateMegabytes = 0;
    int keepFiles = 0;
    link::Parity parity = link::Parity::Odd;
};

struct ShowHelp
{
};

struct UsageError
{
    QString why;
};

std::variant<MonitorOptions, ShowHelp, UsageError> parseCommandLine(QStringList args);

// The --help text.
QByteArray helpText();
QByteArray usageText();

} // namespace zkn::monitortool
