#pragma once

// AddressSanitizer keeps every distinct stack of an allocation for good. Its
// fast unwinder walks frame pointers, which the system's jsoncpp and SQLite
// do not keep: past their frames it reads stray words, so nearly every
// allocation made under them has a stack never seen before, and a run of an
// hour outgrows the fuzzer's memory limit on those alone. Two frames (the
// allocation and its caller) stay clear of the stray words. A report still
// shows the whole stack of the faulty access; set ASAN_OPTIONS=
// malloc_context_size=30 when reproducing to see where a block came from.
// Include from one source per target.
extern "C" const char* __asan_default_options() { return "malloc_context_size=2"; }
