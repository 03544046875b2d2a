# Debian package settings.
