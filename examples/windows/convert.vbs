' Converts C:\jobs\site.txt into C:\jobs\site.dwg through Ostrel's COM server.
Dim conv, strIN, strOUT
Set conv = CreateObject("Ostrel.clsDWG")
strIN = "C:\jobs\site.txt" : strOUT = "C:\jobs\site.dwg"
On Error Resume Next
conv.SaveAsDWG strIN, strOUT
If Err.Number <> 0 Then
    WScript.Echo "Conversion failed: " & Err.Description
    WScript.Quit 1
End If
WScript.Echo "Written: " & strOUT
