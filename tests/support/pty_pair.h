// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

namespace zkn::test {

// A real pseudo-terminal pair: the tool opens `devicePath()`, the test plays the far end on the
// master side (non-blocking, so reading it never waits). The slave side stays open too, so the
// line's settings can be read back from it.
class PtyPair
{
public:
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    bool isValid() const { return m_master >= 0; }
    QString devicePath() const { return m_path; }
    int master() const { return m_master; }
    int slave() const { return m_slave; }

    // Everything the far end has received so far.
    QByteArray readMaster() const;
    // The far end hangs up.
    void closeMaster();

private:
    int m_master = -1;
    int m_slave = -1;
    QString m_path;
};

} // namespace zkn::test
