#pragma once

#include <QString>

namespace zkn::test {

// A real pseudo-terminal pair: the tool opens `devicePath()`, the test plays the far end on the
// master side.
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

private:
    int m_master = -1;
    int m_slave = -1;
    QString m_path;
};

} // namespace zkn::test
