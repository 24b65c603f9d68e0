// Where the 3DS reader's diagnostics go. The program and tools write them to
// standard output exactly as given (the text carries its own line feeds, or
// none); tests and the inspect tool's JSON mode record them.
#pragma once

#include <string>
#include <string_view>

namespace orbit {

class DiagnosticSink {
public:
    virtual ~DiagnosticSink() = default;
    virtual void write(std::string_view text) = 0;
};

class StdoutSink final : public DiagnosticSink {
public:
    void write(std::string_view text) override;
};

class RecordingSink final : public DiagnosticSink {
public:
    void write(std::string_view text) override { recorded += text; }
    std::string recorded;
};

} // namespace orbit
