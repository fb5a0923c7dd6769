#pragma once

#include "feed/feedstate.h"

#include <QObject>

// Where the feed reads the game: a snapshot of everything it shows, and a signal for each change.
// It lives on the board's thread; the feed calls snapshot() there, right after each change.
class FeedSource : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    virtual FeedState snapshot() const = 0;

signals:
    // One change of the game, after it took effect (seq is left to the feed).
    void changed(const FeedChange& change);
    // Something shown changed that is not a change of the game: names, colours, thresholds.
    void restyled();
};
