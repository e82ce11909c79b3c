#pragma once
// Replaces one entry of the GL entry-point table for a scope, to count or observe calls, and puts the
// driver's function back at the end of the scope.

namespace test_support {

template <typename Fn> class scoped_gl_entry {
public:
    scoped_gl_entry(Fn& entry, Fn replacement)
        : slot(entry)
        , original(entry) {
        slot = replacement;
    }
    ~scoped_gl_entry() { slot = original; }
    scoped_gl_entry(const scoped_gl_entry&) = delete;
    scoped_gl_entry& operator=(const scoped_gl_entry&) = delete;

    Fn driver() const { return original; }

private:
    Fn& slot;
    Fn original;
};

} // namespace test_support
