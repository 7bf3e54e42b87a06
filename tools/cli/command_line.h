// The command line of one qlnu command: its operands, the options that take a value and the
// options that stand alone.
#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

// -v and --verbose, which every command takes: FFmpeg's own log on standard error.
bool IsVerboseFlag(const std::string& argument);

class CommandLine {
public:
    // Reads argv[first...]. `valueOptions` take the next argument as their value ("-o" and
    // "--input-format" for example); `flagOptions` stand alone, as does -v. "-" is an operand
    // (standard input); anything else that starts with '-' is refused with a ToolError of
    // usage status.
    CommandLine(int argc, char** argv, int first, const std::set<std::string>& valueOptions,
                const std::set<std::string>& flagOptions);

    const std::vector<std::string>& Operands() const { return operands_; }
    std::optional<std::string> Value(const std::string& option) const;
    bool Has(const std::string& option) const { return flags_.contains(option); }

    // The one operand the command takes, and the value of an option it cannot do without.
    std::string OnlyOperand(const char* what) const;
    std::string RequiredValue(const std::string& option) const;

private:
    std::vector<std::string> operands_;
    std::map<std::string, std::string> values_;
    std::set<std::string> flags_;
};
