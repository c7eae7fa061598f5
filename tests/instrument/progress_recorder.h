#pragma once
// A progress that records what the instrument control reports and can ask it to stop.
#include <functional>
#include <vector>

#include "platform/dialogs.h"

namespace testing_support {

class ProgressRecorder : public platform::Progress {
public:
    // Answers stop once `stopAt` is reached (never when 0).
    explicit ProgressRecorder(long stopAt = 0) : stopAt_(stopAt) {}
    void start(long) override {}
    bool update(long done) override {
        updates.push_back(done);
        if (onUpdate) onUpdate(done);
        return stopAt_ == 0 || done < stopAt_;
    }
    void stop(bool) override {}

    std::vector<long> updates;
    std::function<void(long)> onUpdate;

private:
    long stopAt_;
};

}  // namespace testing_support
