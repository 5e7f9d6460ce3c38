#pragma once
#include <functional>

namespace slip::test {

// Answers every dialog D opens with `answer` for the life of the object.
template <class D>
struct Responding {
    explicit Responding(std::function<void(D&)> answer) { D::TestResponder() = std::move(answer); }
    ~Responding() { D::TestResponder() = nullptr; }
};

} // namespace slip::test
