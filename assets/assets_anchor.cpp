// Keeps the resource library non-empty while it has no pictures yet.
