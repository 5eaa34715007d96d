# Unpacks ZIP into the emptied folder TO, natively: the portable case under Wine has no unzip.
file(REMOVE_RECURSE "${TO}")
file(ARCHIVE_EXTRACT INPUT "${ZIP}" DESTINATION "${TO}")
