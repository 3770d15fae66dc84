#pragma once
// Exceptions raised by the core. Messages are UTF-8 and name the file where one is involved.

#include <stdexcept>
#include <string>

namespace velka {

class EVelkaError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reading or writing a stream failed (short read, write error, seek outside the file).
class EStreamError : public EVelkaError {
public:
    using EVelkaError::EVelkaError;
};

// A file could not be opened or created.
class EFOpenError : public EVelkaError {
public:
    using EVelkaError::EVelkaError;
};

// An image number outside the index list was given to an operation that needs one.
class EListError : public EVelkaError {
public:
    using EVelkaError::EVelkaError;
};

// A cached graphic was asked for as a type it is not (a PNG picture through GetDIB).
class EInvalidCast : public EVelkaError {
public:
    using EVelkaError::EVelkaError;
};

// A file's content cannot be what its format says (a hostile or damaged header).
class EFormatError : public EVelkaError {
public:
    using EVelkaError::EVelkaError;
};

// The library refuses an edit (read-only or locked behind a password that was not given).
class EReadOnlyError : public EVelkaError {
public:
    using EVelkaError::EVelkaError;
};

}  // namespace velka
