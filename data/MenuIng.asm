"Measure"	1
"Job"	2
"Phase"	3
"Choose"	4
"job"	5
"Start"	6
"force"	7
"position"	8
"Number of"	9
"phases"	10
"Check"	11
"points"	12
"Upper"	13
"band"	14
"Lower"	15
"Rejects"	16
"Parts in"	17
"basket"	18
"Manual"	19
"reject"	20
"confirm"	21
"Users"	22
"New"	23
"user"	24
"Change"	25
"password"	26
"History"	27
"Clear"	28
"history"	29
"Inputs"	30
"and"	31
"outputs"	32
"Output"	33
"Calibrate"	34
"Force full"	35
"scale"	36
"Test"	37
"weight"	38
"Position"	39
"zero"	40
"Date"	41
"time"	42
"Language"	43
"Display"	44
"contrast"	45
"Copy"	46
"Errors"	47
3,1,0,1,0,0		Measure	1
2,0,0,2,1001		Job "NomeLavoro"	2
2,0,0,3,1002		Phase "NomeFase"	3
2,0,0,4,5		Choose job	4
2,0,174,6,7		Start force	5
2,0,159,6,8		Start position	6
2,0,12,9,10		Number of phases	7
2,0,0,11,12		Check points	8
1,0,0,1006		"CheckPoint1"	9
1,0,0,1007		"CheckPoint2"	10
1,0,0,1008		"CheckPoint3"	11
2,0,21,13,14		Upper band	12
2,0,22,15,14		Lower band	13
3,2,0,16,0,0		Rejects	14
2,0,30,17,18		Parts in basket	15
3,0,0,19,20,21		Manual reject confirm	16
3,3,0,22,0,0		Users	17
2,0,0,23,24		New user	18
2,0,0,25,26		Change password	19
3,4,0,27,0,0		History	20
2,0,0,28,29		Clear history	21
3,0,0,30,31,32		Inputs and outputs	22
1,0,0,1000		"Supplementare1"	23
1,0,0,1004		"Supplementare2"	24
1,0,0,1005		"Supplementare3"	25
2,0,0,33,1003		Output "Brake"	26
3,5,0,34,0,0		Calibrate	27
2,0,40,35,36		Force full scale	28
2,0,41,37,38		Test weight	29
2,0,0,39,40		Position zero	30
3,6,50,0,0,0			31
3,0,0,41,31,42		Date and time	32
1,0,0,43		Language	33
2,0,60,44,45		Display contrast	34
3,0,0,46,5,1001		Copy job "NomeLavoro"	35
1,0,0,47		Errors	36
