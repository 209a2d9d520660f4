#pragma once

// One visitor for std::visit out of several lambdas, one per alternative.
template <typename... Ts>
struct Overloaded : Ts... {
  using Ts::operator()...;
};
// clang before 17 deduces no aggregate's arguments by itself.
template <typename... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;
