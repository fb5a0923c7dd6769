#pragma once

// File permissions do not bind root, and CI runs as root. A test row that needs them to
// bind runs itself again in a child process as an unprivileged user.

#include <QString>

namespace unprivileged {

bool isRoot();

struct ChildRun {
    // False when no child could run the row; `output` then says why.
    bool ran = false;
    bool passed = false;
    QString output;
    // The child's "Totals:" line.
    QString totals;
};

// Runs the current test function's current row in a copy of this test program, as
// nobody:nogroup through setpriv. The copy lives in a fresh folder, because the build
// tree may sit where nobody cannot reach (/root).
ChildRun runCurrentRowAsNobody();

} // namespace unprivileged

// As root, hands the row to an unprivileged child and passes or fails with it; skips,
// with the reason, only when no such child can run.
#define RUN_UNPRIVILEGED_WHEN_ROOT()                                                                         \
    do {                                                                                                     \
        if (unprivileged::isRoot()) {                                                                        \
            const unprivileged::ChildRun run = unprivileged::runCurrentRowAsNobody();                        \
            if (!run.ran) {                                                                                  \
                QSKIP(qPrintable("running as root, and no unprivileged child could run: " + run.output));    \
            }                                                                                                \
            QVERIFY2(run.passed, qPrintable("as nobody:\n" + run.output));                                   \
            qInfo("as nobody: %s", qPrintable(run.totals));                                                  \
            return;                                                                                          \
        }                                                                                                    \
    } while (false)
