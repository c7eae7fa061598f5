"Misura"	1
"Lavoro"	2
"Fase"	3
"Scelta"	4
"lavoro"	5
"Forza di"	6
"inizio"	7
"Quota di"	8
"Numero"	9
"fasi"	10
"Punti"	11
"di"	12
"controllo"	13
"Banda"	14
"superiore"	15
"inferiore"	16
"Scarti"	17
"Pezzi nel"	18
"cesto"	19
"Conferma"	20
"scarto"	21
"manuale"	22
"Utenti"	23
"Nuovo"	24
"utente"	25
"Cambia"	26
"password"	27
"Storico"	28
"Azzera"	29
"storico"	30
"Ingressi"	31
"e"	32
"uscite"	33
"Uscita"	34
"Taratura"	35
"Fondoscala"	36
"forza"	37
"Peso"	38
"campione"	39
"Zero"	40
"quota"	41
"Data"	42
"ora"	43
"Lingua"	44
"Contrasto"	45
"display"	46
"Copia"	47
"Errori"	48
3,1,0,1,0,0		Misura	1
2,0,0,2,1001		Lavoro "NomeLavoro"	2
2,0,0,3,1002		Fase "NomeFase"	3
2,0,0,4,5		Scelta lavoro	4
2,0,174,6,7		Forza di inizio	5
2,0,159,8,7		Quota di inizio	6
2,0,12,9,10		Numero fasi	7
3,0,0,11,12,13		Punti di controllo	8
1,0,0,1006		"CheckPoint1"	9
1,0,0,1007		"CheckPoint2"	10
1,0,0,1008		"CheckPoint3"	11
2,0,21,14,15		Banda superiore	12
2,0,22,14,16		Banda inferiore	13
3,2,0,17,0,0		Scarti	14
2,0,30,18,19		Pezzi nel cesto	15
3,0,0,20,21,22		Conferma scarto manuale	16
3,3,0,23,0,0		Utenti	17
2,0,0,24,25		Nuovo utente	18
2,0,0,26,27		Cambia password	19
3,4,0,28,0,0		Storico	20
2,0,0,29,30		Azzera storico	21
3,0,0,31,32,33		Ingressi e uscite	22
1,0,0,1000		"Supplementare1"	23
1,0,0,1004		"Supplementare2"	24
1,0,0,1005		"Supplementare3"	25
2,0,0,34,1003		Uscita "Brake"	26
3,5,0,35,0,0		Taratura	27
2,0,40,36,37		Fondoscala forza	28
2,0,41,38,39		Peso campione	29
2,0,0,40,41		Zero quota	30
3,6,50,0,0,0			31
3,0,0,42,32,43		Data e ora	32
1,0,0,44		Lingua	33
2,0,60,45,46		Contrasto display	34
3,0,0,47,5,1001		Copia lavoro "NomeLavoro"	35
1,0,0,48		Errori	36
