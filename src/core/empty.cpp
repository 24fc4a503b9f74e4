// Keeps every folder library non-empty while a folder has only headers.
