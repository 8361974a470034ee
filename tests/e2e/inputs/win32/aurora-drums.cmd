@echo off
rem The player of the Aurora Drums demo medium, Windows edition: it only answers.
if "%1"=="--version" echo Aurora Drums 1.0.0
exit /b 0
