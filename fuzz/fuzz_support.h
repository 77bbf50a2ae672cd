// Shared by the fuzzers: a mutator that knows the database file's sections,
// and a check that stops the run with a message.
#ifndef MURLO_FUZZ_FUZZ_SUPPORT_H_
#define MURLO_FUZZ_FUZZ_SUPPORT_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// libFuzzer's own mutation of a byte buffer, available to custom mutators.
extern "C" size_t LLVMFuzzerMutate(uint8_t* data, size_t size, size_t maxSize);

namespace murlo::fuzz {

// Stops the run (a crash libFuzzer records) when `ok` is false.
void check(bool ok, const char* what);
#define MURLO_FUZZ_CHECK(condition) ::murlo::fuzz::check((condition), #condition)

// Mutates the database file in data[0, size) into at most maxSize bytes and
// returns the new size. Half of the time the bytes are mutated as they are;
// otherwise one section is de-scrambled, its plain text mutated (so that
// digits, separators and records stay what the loader reads) and the file put
// back together around it.
std::size_t mutateDatabaseFile(uint8_t* data, std::size_t size, std::size_t maxSize, unsigned seed);

// The file re-scrambled from a header and plain section texts: each plain
// byte is stored as a byte that reads back as it (bytes no stored byte reads
// as are dropped), each section followed by '%', then `tail` as it is.
std::string assembleFile(std::string_view header, const std::string* sections, int count,
                         std::string_view tail);

}  // namespace murlo::fuzz

#endif  // MURLO_FUZZ_FUZZ_SUPPORT_H_
