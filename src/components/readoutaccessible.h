#pragma once

#include <functional>

class QAccessibleEvent;

// Makes the LED read-outs known to assistive tools: a number read-out reports its
// value (-1 while cleared), the clock read-out its shown text. Call once, after the
// QApplication exists and before the read-outs are first queried.
void installReadoutAccessibility();

// The read-outs announce every change of what they show through here.
void announceReadoutChange(QAccessibleEvent& event);

// Without an accessibility bridge (offscreen test runs) Qt drops the announcements
// before anyone sees them; a watcher set here sees each one first. An empty watcher
// removes it.
using ReadoutAnnouncementWatcher = std::function<void(const QAccessibleEvent&)>;
void watchReadoutAnnouncements(ReadoutAnnouncementWatcher watcher);
