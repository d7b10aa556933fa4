#include "signature/crypto_provider.h"

bool CCryptographicProvider::EditCSPSet() { return false; }
