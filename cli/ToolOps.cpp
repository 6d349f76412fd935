#include "BatchRun.h"

namespace batch {
void RegisterToolOps(std::map<std::string, NamedOp>&) {}
void RegisterToolCommands(CommandRegistry&) {}
}  // namespace batch
