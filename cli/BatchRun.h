// The batch tool's runs: each opens a document as the editor does, with its step
// files in a private temporary folder that is removed when the run ends (also when
// it is interrupted by a signal).
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "Document.h"
#include "OpsFile.h"
#include "Operations.h"
#include "StepStorage.h"
#include "Workspace.h"

namespace batch {

// Messages go to standard error; questions take the answer the current operation
// gives ("answer=no"), yes otherwise.
class BatchHost : public DocumentHost {
public:
    void Message(const std::string& text) override;
    bool Ask(const std::string& question) override { return answer; }
    void NewDocument(std::unique_ptr<COrinDoc> doc) override { created.push_back(std::move(doc)); }
    bool answer = true;
    std::string lastMessage;  // the last text printed, so that a refusal is not printed twice
    // Documents the operations made (channel splits), written beside the output.
    std::vector<std::unique_ptr<COrinDoc>> created;
};

// Where a document made by an operation is written: OUTPUT with "-" and the first word
// of the document's title before the extension ("out.png", "Y Channel 1 from in.png"
// -> "out-Y.png").
std::string CreatedPath(const std::string& output, const std::string& title);

// Step files of a run that never looks at its history (info, convert): nothing is
// kept. Such a run ends right after its save, so the one undo that the save runs
// (which finds no file and leaves the layers as they are) is never looked at.
class DiscardStepStorage final : public StepStorage {
public:
    bool Write(const std::string&, const Pieces&) override { return true; }
    std::unique_ptr<ByteStream> Read(const std::string&) override;
    bool Rename(const std::string&, const std::string&) override { return true; }
    void Remove(const std::string&) override {}
};

struct CleanupList;

struct Context;
using NamedOp = std::function<Status(Context&, const CommandArgs&)>;

// One run: the workspace, the operation table, the batch tool's own named operations
// and the document. `keepSteps`: the
// step files go to a private folder under the system's temporary folder (removed by
// the destructor, or by the handler of a terminating signal); otherwise none are
// kept. `ready` is false (with the system's message in `error`) when the folder
// could not be made.
struct Context {
    explicit Context(bool keepSteps);
    ~Context();
    Context(const Context&) = delete;
    Context& operator=(const Context&) = delete;
    BatchHost host;
    Workspace workspace;
    OperationTable operations;
    std::map<std::string, NamedOp> named;
    std::unique_ptr<COrinDoc> doc;
    std::string stepFolder;
    bool ready = false;
    std::string error;

private:
    std::unique_ptr<CleanupList> cleanup;
};

// The batch tool's own operations besides the table's: layer panel actions, tools,
// mouse events.
std::map<std::string, NamedOp> NamedOps();
// Adds the tool and mouse-event operations (tool:, press:, move:, ...).
void RegisterToolOps(std::map<std::string, NamedOp>& ops);
// Adds the measurement operations (measure:, calibrate:, export-text, ...).
void RegisterMeasureOps(std::map<std::string, NamedOp>& ops);

// The keys of the named operations that are checked before a run (integers in their
// ranges); an operation without an entry checks its own keys when it runs.
const std::map<std::string, std::vector<OpParam>>& NamedOpArgs();

struct ApplyOptions {
    std::string input;
    std::string output;
    bool printLayers = false;
    bool printHistory = false;
    std::vector<OpText> ops;  // in the order given, recipe lines where the recipe was named
};

int Info(const std::string& path);
int Convert(const std::string& input, const std::string& output);
int Apply(const ApplyOptions& options);

// "NAME:KEY=VALUE,KEY=VALUE" into the name and its arguments.
bool ParseOp(const std::string& text, std::string& name, CommandArgs& args);

struct ParsedOp {
    std::string name;
    CommandArgs args;
    const NamedOp* named = nullptr;      // one of these two is set
    const Operation* operation = nullptr;
    OpValues values;                     // the operation's values read from the arguments
};
// Parses and checks an operation against the named operations and the table (by id
// or key): the name must exist, "answer" must be "yes" or "no", and the keys must be
// the operation's own with values in range. Returns the usage error text, "" when fine.
std::string CheckOp(const std::string& text, const Context& context, ParsedOp& out);

// `tessaro-cli ops`: the table, one operation a line.
int ListOperations();

}  // namespace batch
