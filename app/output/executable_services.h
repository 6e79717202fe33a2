#pragma once
// Registers the greeting, screensaver and slide-show forms as output services.
namespace output {

void RegisterExecutableBuilders();

}  // namespace output
