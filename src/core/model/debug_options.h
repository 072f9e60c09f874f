// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>

namespace zkn {

// The live switches of the debug options, read by the link engine as it works.
class DebugOptions : public QObject
{
    Q_OBJECT

public:
    enum class ForcedAnswer
    {
        Normal,
        ParityError,
        InvalidText
    };

    using QObject::QObject;

    bool detail() const { return m_detail; }
    bool hexView() const { return m_hexView; }
    bool toggleParity() const { return m_toggleParity; }
    bool stopHealth() const { return m_stopHealth; }
    bool ignoreParity() const { return m_ignoreParity; }
    ForcedAnswer forcedAnswer() const { return m_forcedAnswer; }
    QString healthCheckIntervalText() const { return m_intervalText; }

    // Seconds between health checks; an empty or zero box means a check on every tick.
    int healthCheckInterval() const;

    void setDetail(bool on);
    void setHexView(bool on);
    void setToggleParity(bool on);
    void setStopHealth(bool on);
    void setIgnoreParity(bool on);
    void setForcedAnswer(ForcedAnswer answer);
    void setHealthCheckIntervalText(const QString& text);

    static constexpr int kMaxInterval = 180;

Q_SIGNALS:
    void changed();
    void hexViewChanged(bool on);

private:
    bool m_detail = true;
    bool m_hexView = false;
    bool m_toggleParity = false;
    bool m_stopHealth = false;
    bool m_ignoreParity = false;
    ForcedAnswer m_forcedAnswer = ForcedAnswer::Normal;
    QString m_intervalText = QStringLiteral("5");
};

} // namespace zkn
