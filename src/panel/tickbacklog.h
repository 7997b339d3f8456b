// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TESSIK_TICKBACKLOG_H
#define TESSIK_TICKBACKLOG_H

// What the live view was handed while nobody could see it, kept as plain
// values so that such a tick costs next to nothing: the newest points of the
// trace, as many as the plot shows at once, and what the last tick put on
// the read-outs and the trigger band.
class TickBacklog
{
public:
    // The plot shows the keys plotKey - 500 to plotKey.
    static constexpr int capacity = 501;

    struct Point
    {
        unsigned int baseline = 0;
        unsigned int value = 0;
    };

    struct Latest
    {
        unsigned int baseline = 0;
        unsigned int raw = 0;
        unsigned int filtered = 0;
        int triggerPosition = 0;
    };

    void record(unsigned int baseline, unsigned int raw, unsigned int filtered, int triggerPosition)
    {
        newest = newest + 1 == capacity ? 0 : newest + 1;
        points[newest] = {baseline, filtered};
        if (count < capacity)
            ++count;
        last = {baseline, raw, filtered, triggerPosition};
    }

    // Points kept, at most capacity; 0 once drawn.
    int size() const { return count; }
    // The i-th kept point, oldest first.
    const Point& at(int i) const { return points[(newest + 1 + i + capacity - count) % capacity]; }
    const Latest& latest() const { return last; }
    void clear() { count = 0; }

private:
    Point points[capacity];
    int newest = capacity - 1;
    int count = 0;
    Latest last;
};

#endif
