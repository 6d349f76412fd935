// Commands by id: the document's own commands and those that the view and the
// processing subsystems register. The editor's menus and the batch tool both run
// commands through one registry object.
#pragma once

#include <functional>
#include <map>
#include <string>

#include "Document.h"
#include "Status.h"

// KEY=VALUE arguments of a command, as the batch tool passes them (and dialogs collect).
using CommandArgs = std::map<std::string, std::string>;
using CommandFn = std::function<Status(COrinDoc&, const CommandArgs&)>;

class CommandRegistry {
public:
    void Add(int id, CommandFn fn) { m_commands[id] = std::move(fn); }
    const CommandFn* Find(int id) const {
        auto it = m_commands.find(id);
        return it == m_commands.end() ? nullptr : &it->second;
    }
    bool Has(int id) const { return m_commands.count(id) != 0; }

private:
    std::map<int, CommandFn> m_commands;
};

// Undo, redo, the clipboard commands and the layer commands.
void RegisterDocumentCommands(CommandRegistry& registry);

// Reads an integer argument; `fallback` when absent or malformed.
int ArgInt(const CommandArgs& args, const std::string& key, int fallback);
// Reads a colour "#RRGGBB" (or a decimal number) as red in the low byte.
uint32_t ArgColour(const CommandArgs& args, const std::string& key, uint32_t fallback);
