#include "faults.h"

#include <array>

namespace rova::rm {

namespace {

struct Armed {
    Result code = kOk;
    int skip = 0;
};

std::array<Armed, static_cast<std::size_t>(Call::Count)>& armed() {
    static std::array<Armed, static_cast<std::size_t>(Call::Count)> table;
    return table;
}

}  // namespace

void failCall(Call call, Result code, int skip) { armed()[static_cast<std::size_t>(call)] = {code, skip}; }

void clearFailures() { armed().fill({}); }

Result injectedFailure(Call call) {
    Armed& a = armed()[static_cast<std::size_t>(call)];
    if (a.code == kOk) return kOk;
    if (a.skip > 0) {
        --a.skip;
        return kOk;
    }
    const Result code = a.code;
    a = {};
    return code;
}

}  // namespace rova::rm
