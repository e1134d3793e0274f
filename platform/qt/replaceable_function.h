#pragma once

#include <utility>

namespace platform {

// A function the toolkit provides and a test may replace (a screen source, an alert presenter,
// a URL opener, a web engine factory).
template <typename Function>
class ReplaceableFunction {
  public:
    explicit ReplaceableFunction(Function toolkits) : toolkits_(toolkits), current_(toolkits) {}

    const Function& current() const { return current_; }

    // Puts `replacement` in place, or the toolkit's own for an empty one; returns what was there.
    Function replace(Function replacement) {
        Function previous = std::move(current_);
        current_ = replacement ? std::move(replacement) : toolkits_;
        return previous;
    }

  private:
    Function toolkits_;
    Function current_;
};

}  // namespace platform
