#pragma once

// The program's one mouse pointer setting, shared by every window: 0 is the normal arrow,
// 11 the hourglass. Setting it again to the same value changes nothing, so it never stacks.
namespace MousePointer {

enum : int { Default = 0, Hourglass = 11 };

void set(int pointer);

} // namespace MousePointer
