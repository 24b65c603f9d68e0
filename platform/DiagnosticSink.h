// Where diagnostics go. write carries the 3DS reader's diagnostics, which the
// program and tools put on standard output exactly as given (the text carries
// its own line feeds, or none). warn carries a problem the program works around
// without telling the user on screen (such as a settings file naming a model
// that cannot be opened); the program puts it on standard error as one line.
// The inspect tool's JSON mode and tests collect both.
#pragma once

#include <string>
#include <string_view>

namespace orbit {

class DiagnosticSink {
public:
    virtual ~DiagnosticSink() = default;
    virtual void write(std::string_view text) = 0;
    // line has no line feed of its own.
    virtual void warn(std::string_view line) = 0;
};

// write to standard output, warn to standard error.
class StdoutSink final : public DiagnosticSink {
public:
    void write(std::string_view text) override;
    void warn(std::string_view line) override;
};

// Keeps what was written, for a caller that reports it in its own form (the
// first line of a refused model file, the inspect tool's JSON).
class StringSink final : public DiagnosticSink {
public:
    void write(std::string_view written) override { text += written; }
    void warn(std::string_view line) override { warnings += std::string(line) + "\n"; }
    std::string text;
    std::string warnings; // one line each
};

} // namespace orbit
