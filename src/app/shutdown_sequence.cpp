#include "shutdown_sequence.h"

namespace zkn {

void ShutdownSequence::setStep(Phase phase, Step step)
{
    m_steps[static_cast<std::size_t>(phase)] = std::move(step);
}

void ShutdownSequence::run(Next finished)
{
    if (m_started)
        return;
    m_started = true;
    m_finished = std::move(finished);
    runFrom(0);
}

void ShutdownSequence::runFrom(std::size_t phase)
{
    for (; phase < m_steps.size(); ++phase) {
        if (m_steps[phase]) {
            m_steps[phase]([this, phase] { runFrom(phase + 1); });
            return;
        }
    }
    if (m_finished)
        m_finished();
}

} // namespace zkn
