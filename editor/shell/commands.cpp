#include "shell/commands.h"

#include <algorithm>

namespace rova {

bool CCommand::isHandled(const CommandContext& context) const {
    switch (m_info.target) {
    case CommandTarget::View: return context.view != nullptr;
    case CommandTarget::Document: return context.document != nullptr;
    case CommandTarget::Frame:
    case CommandTarget::App: return true;
    case CommandTarget::Nobody: return false;
    }
    return false;
}

bool CCommand::takeArguments(const std::string& verb, const std::vector<std::string>& args, ScriptedAnswers&,
                             std::string& error) {
    if (args.empty()) return true;
    error = "usage: " + verb;
    return false;
}

CCommand& CommandRegistry::add(std::unique_ptr<CCommand> command) {
    const int id = command->id();
    if (!m_commands.count(id)) m_order.push_back(id);
    auto& slot = m_commands[id];
    slot = std::move(command);
    return *slot;
}

CCommand* CommandRegistry::find(int id) const {
    const auto it = m_commands.find(id);
    return it == m_commands.end() ? nullptr : it->second.get();
}

CCommand* CommandRegistry::findVerb(std::string_view verb) const {
    for (const auto& [id, command] : m_commands)
        for (const char* name : command->info().verbs)
            if (verb == name) return command.get();
    return nullptr;
}

std::string_view CommandRegistry::prompt(int id) const {
    const CCommand* command = find(id);
    return command && command->info().prompt ? std::string_view(command->info().prompt) : std::string_view{};
}

std::string_view CommandRegistry::promptMessage(int id) const {
    const std::string_view p = prompt(id);
    return p.substr(0, p.find('\n'));
}

std::string_view CommandRegistry::promptTooltip(int id) const {
    const std::string_view p = prompt(id);
    const auto nl = p.find('\n');
    return nl == std::string_view::npos ? std::string_view{} : p.substr(nl + 1);
}

const char* CommandRegistry::text(int id) const {
    const CCommand* command = find(id);
    return command && command->info().text ? command->info().text : "";
}

std::vector<Accelerator> CommandRegistry::acceleratorTable() const {
    std::vector<Accelerator> table;
    for (int id : m_order)
        for (QKeyCombination key : m_commands.at(id)->info().keys) table.push_back({key, id});
    return table;
}

int CommandRegistry::commandForKey(QKeyCombination key) const {
    for (const Accelerator& a : acceleratorTable())
        if (a.key == key) return a.id;
    return 0;
}

}  // namespace rova
