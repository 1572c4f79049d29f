// A piece of the learner's work that a part of the program keeps (the sentence list, the
// hard sentences, the notes): written into Temp when the work is packed, read back when it
// was unpacked. The user data packs and unpacks the pieces it was given.
#pragma once

namespace kestrova {

class IWorkPiece {
public:
    virtual ~IWorkPiece() = default;
    // False when it could not be written (the writer told the learner why).
    virtual bool WritePiece() = 0;
    virtual void ReloadPiece() {}
};

} // namespace kestrova
