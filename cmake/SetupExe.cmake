# Setup.exe
