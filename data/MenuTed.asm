"Messen"	1
"Auftrag"	2
"Phase"	3
"waehlen"	4
"Startkraft"	5
"Startweg"	6
"Anzahl"	7
"Phasen"	8
"Prüfpunkte"	9
"Oberes"	10
"Band"	11
"Unteres"	12
"Ausschuss"	13
"Teile"	14
"im Korb"	15
"von Hand"	16
"quittieren"	17
"Benutzer"	18
"Neuer"	19
"Passwort"	20
"aendern"	21
"Verlauf"	22
"löschen"	23
"Ein-"	24
"und"	25
"Ausgaenge"	26
"Ausgang"	27
"Kalibrier."	28
"Messber."	29
"Kraft"	30
"Prüf"	31
"gewicht"	32
"Weg"	33
"Nullpunkt"	34
"Datum"	35
"Uhrzeit"	36
"Sprache"	37
"Anzeige"	38
"Kontrast"	39
"kopieren"	40
"Fehler"	41
3,1,0,1,0,0		Messen	1
2,0,0,2,1001		Auftrag "NomeLavoro"	2
2,0,0,3,1002		Phase "NomeFase"	3
2,0,0,2,4		Auftrag waehlen	4
1,0,174,5		Startkraft	5
1,0,159,6		Startweg	6
2,0,12,7,8		Anzahl Phasen	7
1,0,0,9		Prüfpunkte	8
1,0,0,1006		"CheckPoint1"	9
1,0,0,1007		"CheckPoint2"	10
1,0,0,1008		"CheckPoint3"	11
2,0,21,10,11		Oberes Band	12
2,0,22,12,11		Unteres Band	13
3,2,0,13,0,0		Ausschuss	14
2,0,30,14,15		Teile im Korb	15
3,0,0,13,16,17		Ausschuss von Hand quittieren	16
3,3,0,18,0,0		Benutzer	17
2,0,0,19,18		Neuer Benutzer	18
2,0,0,20,21		Passwort aendern	19
3,4,0,22,0,0		Verlauf	20
2,0,0,22,23		Verlauf löschen	21
3,0,0,24,25,26		Ein- und Ausgaenge	22
1,0,0,1000		"Supplementare1"	23
1,0,0,1004		"Supplementare2"	24
1,0,0,1005		"Supplementare3"	25
2,0,0,27,1003		Ausgang "Brake"	26
3,5,0,28,0,0		Kalibrier.	27
2,0,40,29,30		Messber. Kraft	28
2,0,41,31,32		Prüf gewicht	29
2,0,0,33,34		Weg Nullpunkt	30
3,6,50,0,0,0			31
3,0,0,35,25,36		Datum und Uhrzeit	32
1,0,0,37		Sprache	33
2,0,60,38,39		Anzeige Kontrast	34
3,0,0,2,40,1001		Auftrag kopieren "NomeLavoro"	35
1,0,0,41		Fehler	36
