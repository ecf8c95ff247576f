' Ostrel.clsDWG from VBScript, the way survey hosts call it: CreateObject by
' ProgID, SaveAsDWG with variables (passed by reference), errors through Err.
'
' usage: cscript //nologo save_as_dwg.vbs WORK_FOLDER ERROR_NUMBER ERROR_TEXT
'   WORK_FOLDER holds survey.txt (+ .SYM) and header-only.txt (+ .SYM);
'   ERROR_NUMBER and ERROR_TEXT are what the header-only conversion fails with.
'
' Wine's cscript ends with status 0 and no output when a script breaks, so
' the script counts its own failures, ends with WScript.Quit <failures> and
' prints a closing line "save_as_dwg.vbs: N failed" that the runner matches.
Option Explicit

Dim failures, checks
failures = 0
checks = 0

Sub Check(ok, what)
    checks = checks + 1
    If ok Then
        WScript.Echo "ok   " & what
    Else
        failures = failures + 1
        WScript.Echo "FAIL " & what
    End If
End Sub

Function FileSize(fso, path)
    FileSize = -1
    If fso.FileExists(path) Then FileSize = fso.GetFile(path).Size
End Function

Function FirstBytes(fso, path, count)
    Dim stream
    FirstBytes = ""
    If Not fso.FileExists(path) Then Exit Function
    Set stream = fso.OpenTextFile(path, 1)
    If Not stream.AtEndOfStream Then FirstBytes = stream.Read(count)
    stream.Close
End Function

Dim work, expectedNumber, expectedError, fso, dwg, strIN, strOUT, dxfOut, badIn, badOut
work = WScript.Arguments(0)
expectedNumber = CLng(WScript.Arguments(1))
expectedError = WScript.Arguments(2)
Set fso = CreateObject("Scripting.FileSystemObject")

On Error Resume Next

Set dwg = CreateObject("Ostrel.clsDWG")
Check Err.Number = 0 And IsObject(dwg), "CreateObject(""Ostrel.clsDWG"") " & Err.Description
Err.Clear

' A DWG: variables passed by reference, as VBScript always passes them.
strIN = work & "\survey.txt"
strOUT = work & "\vbs-survey.dwg"
If fso.FileExists(strOUT) Then fso.DeleteFile strOUT
dwg.SaveAsDWG strIN, strOUT
Check Err.Number = 0, "SaveAsDWG strIN, strOUT returns without error " & Err.Description
Err.Clear
Check FileSize(fso, strOUT) > 0, "the DWG file was written"
Check Left(FirstBytes(fso, strOUT, 6), 4) = "AC10", "the DWG file starts with a release signature"
Check strIN = work & "\survey.txt" And strOUT = work & "\vbs-survey.dwg", "the by-reference arguments are unchanged"

' A DXF by the same object (each call is a whole run), the arguments being
' expressions (passed by value).
dxfOut = work & "\vbs-survey.dxf"
If fso.FileExists(dxfOut) Then fso.DeleteFile dxfOut
dwg.SaveAsDWG work & "\survey.txt", work & "\vbs-" & "survey.dxf"
Check Err.Number = 0, "SaveAsDWG with expressions returns without error " & Err.Description
Err.Clear
Check FileSize(fso, dxfOut) > 0, "the DXF file was written"

' A failing conversion: the header line alone runs the loop past the end.
badIn = work & "\header-only.txt"
badOut = work & "\vbs-header-only.dxf"
If fso.FileExists(badOut) Then fso.DeleteFile badOut
dwg.SaveAsDWG badIn, badOut
Check Err.Number = expectedNumber, "a failing conversion raises error " & expectedNumber & " (got " & Err.Number & ")"
Check Err.Source = "Ostrel.clsDWG", "its Source is Ostrel.clsDWG (got """ & Err.Source & """)"
Check Err.Description = expectedError, "its Description is the conversion's message (got """ & Err.Description & """)"
Err.Clear
Check Not fso.FileExists(badOut), "the failed conversion wrote no drawing"

' A call the method does not accept (the C++ client tries every kind).
dwg.SaveAsDWG Null, strOUT
Check Err.Number <> 0, "Null for strIN is refused (Err.Number " & Err.Number & ")"
Err.Clear

Set dwg = Nothing
Check Err.Number = 0, "the object is released " & Err.Description
Err.Clear

WScript.Echo "save_as_dwg.vbs: " & checks & " checks, " & failures & " failed"
WScript.Echo "save_as_dwg.vbs: " & failures & " failed"
WScript.Quit failures
