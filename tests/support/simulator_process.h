// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QProcess>
#include <QRegularExpression>
#include <QStringList>

// zkn-pbxsim as a process of its own, as a PBX would be: listening on a free loopback port, or on
// a pseudo-terminal with --pty, which it names on its first line.
struct SimulatorProcess
{
    QProcess process;
    quint16 port = 0;
    QString pty;

    SimulatorProcess(const QString& program, const QStringList& args)
    {
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(program, QStringList{"--listen", "127.0.0.1:0"} + args);
        static const QRegularExpression ready(
            QStringLiteral("listening on 127\\.0\\.0\\.1:(\\d+)|pseudo-terminal (\\S+):"));
        QByteArray seen;
        while (port == 0 && pty.isEmpty() && process.waitForReadyRead(5000)) {
            seen += process.readAll();
            if (const auto m = ready.match(QString::fromLatin1(seen)); m.hasMatch()) {
                port = quint16(m.captured(1).toUInt());
                pty = m.captured(2);
            }
        }
    }
    ~SimulatorProcess()
    {
        process.kill();
        process.waitForFinished();
    }
    // Ends it as Ctrl-C would, so it closes its files; true when it ended so, of itself.
    bool stop()
    {
        process.terminate();
        return process.waitForFinished() && process.exitStatus() == QProcess::NormalExit &&
               process.exitCode() == 0;
    }
};
