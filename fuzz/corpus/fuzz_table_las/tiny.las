~VERSION INFORMATION
 VERS.                 2.0 :   CWLS LOG ASCII STANDARD -VERSION 2.0
 WRAP.                  NO :   ONE LINE PER DEPTH STEP
~WELL INFORMATION
 STRT.M              100.0 :   START DEPTH
 STOP.M              101.0 :   STOP DEPTH
 STEP.M                0.5 :   STEP
 NULL.             -999.25 :   NULL VALUE
 WELL.            WELL-1   :   WELL
~CURVE INFORMATION
 DEPT.M                    :   DEPTH
 GR  .GAPI                 :   GAMMA RAY
 RHOB.G/C3                 :   DENSITY
~PARAMETER INFORMATION
~A  DEPTH     GR      RHOB
100.0   45.2   2.31
100.5  -999.25 2.35
101.0   51.7   2.40
