#pragma once

#include <QLoggingCategory>

// Failures of the board's presentation the operator would want explained (a picture
// file that cannot be shown).
Q_DECLARE_LOGGING_CATEGORY(lcPresentation)
