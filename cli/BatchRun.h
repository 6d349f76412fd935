// The batch tool's runs: each opens a document as the editor does, with its step
// files in a private temporary folder that is removed when the run ends.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "Commands.h"
#include "Document.h"
#include "Workspace.h"

namespace batch {

// Messages go to standard error; questions take the answer the current operation
// gives ("answer=no"), yes otherwise.
class BatchHost : public DocumentHost {
public:
    void Message(const std::string& text) override;
    bool Ask(const std::string& question) override { return answer; }
    bool answer = true;
};

struct Context {
    Context();
    ~Context();
    BatchHost host;
    Workspace workspace;
    CommandRegistry commands;
    std::unique_ptr<COrinDoc> doc;
    std::string stepFolder;
};

using NamedOp = std::function<Status(Context&, const CommandArgs&)>;
// The named operations (besides command ids): layer panel actions, tools, mouse events.
std::map<std::string, NamedOp>& NamedOps();
// Adds the tool and mouse-event operations (tool:, press:, move:, ...).
void RegisterToolOps(std::map<std::string, NamedOp>& ops);
// Adds the tools' command ids (2055, 2058, ...) to the registry.
void RegisterToolCommands(CommandRegistry& registry);

struct ApplyOptions {
    std::string input;
    std::string output;
    bool printLayers = false;
    bool printHistory = false;
    std::vector<std::string> ops;
};

int Info(const std::string& path);
int Convert(const std::string& input, const std::string& output);
int Apply(const ApplyOptions& options);

// "NAME:KEY=VALUE,KEY=VALUE" into the name and its arguments.
bool ParseOp(const std::string& text, std::string& name, CommandArgs& args);

}  // namespace batch
