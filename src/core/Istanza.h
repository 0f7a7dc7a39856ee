#pragma once
// The single-instance lock of the program folder, and the one way out of a fatal device error:
// the database closed, the lock released, a non-zero exit status.

namespace Istanza {

enum class [[nodiscard]] Blocco{Unica, GiaInUso, Errore};

// Takes <program folder>/tavrino.lock for this process. GiaInUso: another running program holds
// it; Errore: it cannot be made (folder missing or read-only, or a full disk, which also keeps the
// lock of a program that ended without releasing it from being taken over).
Blocco blocca();
// Releases the lock (at exit, and in tests); nothing when it is not held.
void rilascia();

// Exit status of the end forced by a fatal device error of a register (class 9).
constexpr int kUscitaErroreGrave = 9;

// Ends the program now, from wherever it is: closes the database, releases the lock and exits
// with kUscitaErroreGrave. Our files are closed after every write, so nothing is half-written.
[[noreturn]] void terminaPerErroreGrave();

} // namespace Istanza
