// Counting what a widget goes through: shown, painted, activated.
#pragma once

#include <QEvent>
#include <QObject>

#include <map>

namespace ravo::testing {

// Counts the events an object it watches receives, by type; it never takes
// an event away from its object.
class EventCounts : public QObject {
public:
    int Of(QEvent::Type type) const
    {
        const auto found = counts_.find(type);
        return found == counts_.end() ? 0 : found->second;
    }
    void Reset(QEvent::Type type) { counts_.erase(type); }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        ++counts_[event->type()];
        return false;
    }

private:
    std::map<QEvent::Type, int> counts_;
};

} // namespace ravo::testing
