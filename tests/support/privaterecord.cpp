#include "support/privaterecord.h"

#include "app/startup.h"

#include <QTemporaryDir>
#include <memory>
#include <vector>

void givePrivateRecord(Startup& startup) {
    startup.sessionEnvironment = [] {
        // Kept until the program ends: a board's writer may still be closing its file after the test.
        static std::vector<std::unique_ptr<QTemporaryDir>> folders;
        folders.push_back(std::make_unique<QTemporaryDir>());
        GameSessionEnvironment env;
        env.record.path = folders.back()->filePath(QStringLiteral("games.sqlite"));
        return env;
    };
}
