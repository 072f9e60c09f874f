// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "lamp_ledger_store.h"
#include "link_stack.h"
#include "model/connection_options.h"
#include "model/debug_options.h"
#include "model/expansion_option.h"
#include "model/load_test_options.h"
#include "run_plan.h"

#include <functional>
#include <memory>

namespace zkn {
class LinkView;
class Operator;
} // namespace zkn

namespace zkn::run {

// The link as zkn-run drives it: the tool's own engine and pump over the real transports, on the
// connection given (or the one the tool stored). Stored debug options never apply.
class RunLink
{
public:
    RunLink(const LinkChoice& link, LinkView& view, Operator& op);
    ~RunLink();

    // Gives the engine an input, then carries out what it asks for.
    void feed(const std::function<void(link::LinkEngine&)>& input);
    const link::LinkEngine& engine() const { return m_link.engine(); }
    LoadTestOptions& loadTestOptions() { return m_loadTest; }
    // The file a load test in file mode takes its stations from.
    void setStationsFile(const QString& path);
    bool recordsKra() const { return m_connection.recordFormatKra(); }
    // Captures the link to `path` from now on; returns why the file could not be created.
    QString startCapture(const QString& path) { return m_link.capture().start(path, m_connection.isLan()); }
    LinkCapture& capture() { return m_link.capture(); }
    // The lamp ledger read from `path` and written back there as it changes and at the end;
    // what is to be said about the file (set aside as unreadable), else empty.
    QString keepLedgerIn(const QString& path);
    // Over TCP every lamp message is answered; on the serial line none is.
    bool answersCome() const { return m_connection.isLan(); }

private:
    void configure(const LinkChoice& link);

    ConnectionOptions m_connection;
    DebugOptions m_debug;
    ExpansionOption m_expansion;
    LoadTestOptions m_loadTest;
    LinkStack m_link{m_connection, m_debug, m_expansion, m_loadTest};
    // After the engine, whose ledger it writes on its way out.
    std::unique_ptr<LampLedgerStore> m_ledgerStore;
};

} // namespace zkn::run
