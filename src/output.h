// Standard output, buffered, and numbers written as print shows them.
#pragma once

#include <cstddef>
#include <cstring>

inline constexpr size_t OUTPUT_BUFFER_SIZE = 1 << 16;
extern char output_buffer[OUTPUT_BUFFER_SIZE];
extern size_t output_length;
extern bool output_interactive;  // a terminal sees each print statement at once

// Where output goes instead of standard output, for a caller that embeds the run; null: stdout.
using OutputSink = void (*)(void* context, const char* data, size_t length);
extern OutputSink output_sink;
extern void* output_sink_context;

// Notes whether standard output is a terminal; called before a script runs.
void start_output();

// Writes out what is buffered; returns false when the stream refused it.
bool flush_output();

// Makes room by flushing, or writes a long text straight through. A failed write is fatal.
void write_output_slow(const char* data, size_t length);

// Buffered standard output. A failed write is fatal ("Cannot write to standard output").
inline void write_output(const char* data, size_t length) {
    if (length > OUTPUT_BUFFER_SIZE - output_length) return write_output_slow(data, length);
    char* out = output_buffer + output_length;
    output_length += length;
    // Most items are short: two overlapping fixed-size copies beat a call to memcpy.
    if (length >= 8 && length <= 16) {
        std::memcpy(out, data, 8);
        std::memcpy(out + length - 8, data + length - 8, 8);
    } else if (length >= 4 && length < 8) {
        std::memcpy(out, data, 4);
        std::memcpy(out + length - 4, data + length - 4, 4);
    } else {
        std::memcpy(out, data, length);
    }
}

inline void write_byte(char c) {
    if (output_length == OUTPUT_BUFFER_SIZE) return write_output_slow(&c, 1);
    output_buffer[output_length++] = c;
}

// Writes a number as "%g" does, except that a not-a-number is always "nan"; returns the length.
// The buffer must hold at least 32 bytes.
size_t format_number(double value, char* buffer);
// Writes a number in the fewest significant digits that read back as exactly the same value
// ("19660801", "0.30000000000000004", "1e+300"), the way the tools show values; a not-a-number
// is "nan" as print writes it. Returns the length; the buffer must hold at least 32 bytes.
size_t format_exact(double value, char* buffer);
