#pragma once

#include <QLoggingCategory>

// Values the game refused: a restore or a record that asked for something no field can hold.
Q_DECLARE_LOGGING_CATEGORY(lcGame)
