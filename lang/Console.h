// SPDX-License-Identifier: MIT
#pragma once

namespace kalvero {

// A windowed program on Windows has no console of its own: its few terminal answers
// go to the one it was started from, unless they are already led elsewhere. Nothing
// to do elsewhere.
void AnswerOnTerminal();

}  // namespace kalvero
