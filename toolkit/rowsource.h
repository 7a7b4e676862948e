#pragma once

namespace dn {

// The rows a table browse shows: a cursor over an ordered set of rows, such as a
// work area's controlling order within its scope and view. The browse moves the
// cursor, reads the row it stands on through its row block, and reads only the
// rows it shows; it puts the cursor back on the current row after every look.
//
// REQUIRES of an implementation: skip never lands past the ends of a non-empty
// set (it stops on the first or last row and says how far it moved); position
// identifies a row so that goTo finds it again while the set is unchanged.
class RowSource {
public:
    virtual ~RowSource() = default;

    virtual void goTop() = 0;
    virtual void goBottom() = 0;
    // Moves n rows forward (backward when negative) and returns how many rows it
    // moved, with the sign of n; 0 at the ends or when the set is empty.
    virtual long skip(long n) = 0;
    // No current row: the set is empty, or the cursor was moved past its end by
    // someone else.
    virtual bool eof() const = 0;
    // The current row's identity (a record number).
    virtual long position() const = 0;
    virtual void goTo(long position) = 0;
    // How many rows the set holds.
    virtual long count() = 0;
    // The current row's place in the set, 1 to count(), for the scroll bar; 0 when
    // the source cannot tell cheaply.
    virtual long ordinal() { return 0; }
    // Moves to the row at place n (1 to count()); false when the source cannot.
    virtual bool goToOrdinal(long n) {
        (void)n;
        return false;
    }
};

} // namespace dn
