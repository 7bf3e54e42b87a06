#include "command_line.h"

#include "tool_error.h"

bool IsVerboseFlag(const std::string& argument) {
    return argument == "-v" || argument == "--verbose";
}

CommandLine::CommandLine(int argc, char** argv, int first,
                         const std::set<std::string>& valueOptions,
                         const std::set<std::string>& flagOptions) {
    for (int i = first; i < argc; ++i) {
        const std::string argument = argv[i];
        if (valueOptions.contains(argument)) {
            if (i + 1 == argc) {
                throw ToolError(argument + " needs a value", kExitUsage);
            }
            values_[argument] = argv[++i];
        } else if (flagOptions.contains(argument) || IsVerboseFlag(argument)) {
            flags_.insert(argument);
        } else if (argument.starts_with('-') && argument != "-") {
            throw ToolError("unknown option " + argument, kExitUsage);
        } else {
            operands_.push_back(argument);
        }
    }
}

std::optional<std::string> CommandLine::Value(const std::string& option) const {
    const auto value = values_.find(option);
    if (value == values_.end()) {
        return std::nullopt;
    }
    return value->second;
}

std::string CommandLine::OnlyOperand(const char* what) const {
    if (operands_.size() != 1) {
        throw ToolError(std::string(operands_.empty() ? "no " : "more than one ") + what + " given",
                        kExitUsage);
    }
    return operands_.front();
}

std::string CommandLine::RequiredValue(const std::string& option) const {
    const std::optional<std::string> value = Value(option);
    if (!value) {
        throw ToolError("no " + option + " given", kExitUsage);
    }
    return *value;
}
