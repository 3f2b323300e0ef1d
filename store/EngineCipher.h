#pragma once
// The cipher the engine encrypts and checks every page with. Its own, as
// built, makes and frees an AES and an HMAC context for each 4 KB page and
// asks OpenSSL's generator for each page's IV: with OpenSSL 3 that
// bookkeeping (lookups, locks, a process id per call) costs as much as the
// encryption itself. This one does the same operations (AES-256-CBC,
// HMAC-SHA1, PBKDF2-HMAC-SHA1, random reserves) with the contexts made once
// for each of the engine's cipher contexts, and random bytes drawn from
// OpenSSL a page's worth at a time. The files are the same byte for byte in
// their layout: the engine's own cipher reads what this one writes, and
// the other way round.

namespace EngineCipher {

// Puts this cipher under every connection opened from now on, once, where
// the engine is the version whose interface this follows; elsewhere the
// engine keeps its own. Called before the first connection is opened.
void install();

// The name the engine reports for this cipher (PRAGMA cipher_provider).
const char *providerName();

} // namespace EngineCipher
