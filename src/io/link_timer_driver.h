#pragma once

#include <QObject>
#include <QTimer>

namespace zkn {

namespace link {
class Clock;
class LinkEngine;
} // namespace link

// Turns the link engine's deadlines into one real timer: armed for the earliest deadline, and
// on expiry it lets the engine handle everything that has come due.
class LinkTimerDriver : public QObject
{
    Q_OBJECT

public:
    LinkTimerDriver(link::LinkEngine& engine, const link::Clock& clock, QObject* parent = nullptr);

private:
    void arm();
    void fire();

    link::LinkEngine& m_engine;
    const link::Clock& m_clock;
    QTimer m_timer;
};

} // namespace zkn
