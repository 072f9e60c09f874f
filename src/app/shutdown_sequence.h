#pragma once

#include <array>
#include <functional>

namespace zkn {

// The program's end, in a fixed order of phases. Each phase is a step that may wait (a load test
// finishing its sweep, the PBX closing the connection) and calls `next` when done; steps that wait
// bound their own wait. Phases without a step are passed at once.
class ShutdownSequence
{
public:
    enum class Phase
    {
        StopLoadTest,
        ReleaseLink,
        CloseLog,
        WaitLinkClosed,
        UnloadWindows,
        Count
    };
    using Next = std::function<void()>;
    using Step = std::function<void(Next next)>;

    void setStep(Phase phase, Step step);

    // Runs the phases in order, then `finished`. Runs once; later calls do nothing.
    void run(Next finished);
    bool isRunning() const { return m_started; }

private:
    void runFrom(std::size_t phase);

    std::array<Step, static_cast<std::size_t>(Phase::Count)> m_steps;
    Next m_finished;
    bool m_started = false;
};

} // namespace zkn
