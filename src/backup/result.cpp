#include "backup/result.h"

namespace backup {

int Result::exitCode() const {
    switch (outcome) {
        case Outcome::Done:
            return 0;
        case Outcome::CommunicationFailed:
            return 1;
        case Outcome::Refused:
        case Outcome::Cancelled:
            return 3;
        case Outcome::FileError:
            return 4;
    }
    return 1;
}

}  // namespace backup
